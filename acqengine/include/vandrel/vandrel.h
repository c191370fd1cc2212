#ifndef VANDREL_VANDREL_H
#define VANDREL_VANDREL_H
/* Vandrel: the acquisition engine. Its message export follows the protocol of
 * KESTRIN_ERROR_MESSAGE: length-only call first, then a call with a buffer of at least *length
 * bytes; a code of the engine family without an entry leaves buffer and *length untouched. */

#define VANDREL_ERROR_BAD_DEVICE_TYPE 0x3FA00007UL
#define VANDREL_ERROR_NO_SUCH_FILE 0x3FA0000AUL

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) unsigned long VANDREL_ERROR_MESSAGE(unsigned long code, char* buffer,
                                                                           unsigned long size, unsigned long* length);

#ifdef __cplusplus
}
#endif

#endif
