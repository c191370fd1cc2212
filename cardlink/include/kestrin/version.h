#ifndef KESTRIN_VERSION_H
#define KESTRIN_VERSION_H
/* The version of libkestrin.so, "MAJOR.MINOR.PATCH", as the about box and --version show it. */

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) const char* kestrin_version(void);

#ifdef __cplusplus
}
#endif

#endif
