/*
 * kindplug: the plug-in that describes the proxy server as a kind of server to
 * the host that loads it. The host finds two C functions by name:
 *
 *   Params_load   copies the 1088-byte parameter record of a server kind;
 *   Params_check  hashes a name the way the host expects.
 *
 * Both are pure and may be called from any thread while the plug-in is loaded.
 */
#ifndef KINDPLUG_H
#define KINDPLUG_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(KINDPLUG_BUILDING)
#define KINDPLUG_API __declspec(dllexport)
#else
#define KINDPLUG_API __declspec(dllimport)
#endif
#define KINDPLUG_CALL __cdecl
#else
#if defined(KINDPLUG_BUILDING)
#define KINDPLUG_API __attribute__((visibility("default")))
#else
#define KINDPLUG_API
#endif
#define KINDPLUG_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the parameter record in bytes. */
#define KINDPLUG_RECORD_SIZE 1088

/* The one server kind the plug-in hands out: the proxy server. */
#define KINDPLUG_PROXY_KIND 1

/*
 * The parameter record: 32-bit little-endian words laid out for a 32-bit
 * address space. Each string field is 4 bytes wide and holds the 32-bit
 * address of a terminated string that stays valid while the plug-in is
 * loaded, or 0 when no memory a 32-bit address reaches could be had. Fields
 * named after their offset carry values whose meaning belongs to the host.
 */
typedef struct KindParams {
    uint32_t field0;
    uint32_t field4;
    uint32_t nameText; /* "responsetime" */
    uint32_t field12;
    uint32_t field16;
    uint32_t field20;
    uint32_t field24;
    uint32_t field28;
    uint32_t field32;
    uint32_t field36;
    uint32_t field40;
    uint32_t field44;
    uint32_t displayName; /* "Osmek Tarrowgate HTTP Proxy" */
    uint32_t kindNumber;  /* KINDPLUG_PROXY_KIND */
    uint32_t identifier;  /* "OSMEK-PROXY-TG" */
    uint32_t field60;
    uint8_t reserved[1024]; /* all zero */
} KindParams;

/* Copies the record of server kind `kind` to `destination`, which must have
 * room for KINDPLUG_RECORD_SIZE bytes, and returns 1. Any other kind, or a
 * null destination, returns 0 and writes nothing. */
KINDPLUG_API int32_t KINDPLUG_CALL Params_load(int32_t kind, void *destination);

/* The host's 32-bit hash of a terminated name; the empty (or null) name
 * hashes to 0. */
KINDPLUG_API uint32_t KINDPLUG_CALL Params_check(const char *name);

#ifdef __cplusplus
}
#endif

#endif
