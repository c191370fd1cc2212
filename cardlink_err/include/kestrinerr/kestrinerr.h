#ifndef KESTRINERR_KESTRINERR_H
#define KESTRINERR_KESTRINERR_H
/* KestrinErr: the texts of the card-link error codes.
 * Call once with size 0 to learn *length (bytes, terminating zero included; 0 = no text), then
 * again with a buffer of at least *length bytes. Returns 0 when the look-up worked, otherwise the
 * system's error number. A code of the card-link family without an entry leaves buffer and
 * *length untouched: set *length to 0 before calling. */

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) unsigned long KESTRIN_ERROR_MESSAGE(unsigned long code, char* buffer,
                                                                           unsigned long size, unsigned long* length);

#ifdef __cplusplus
}
#endif

#endif
