#ifndef VANDREL_VERSION_H
#define VANDREL_VERSION_H
/* The version of libvandrel.so, "MAJOR.MINOR.PATCH", as the about box and --version show it. */

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) const char* vandrel_version(void);

#ifdef __cplusplus
}
#endif

#endif
