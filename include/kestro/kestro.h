/* KESTRO engine: analysis of flexible retaining walls.
 *
 * A front end writes NAMES.dat (the run list) and the input data file into a
 * working directory, makes it the current directory and calls IKESTRO.  The
 * engine runs every problem of the input data file and writes the report, the
 * plot-data file and the monitor file named in the run list.  Results reach
 * the caller only through those files.
 *
 * This header is C (C99 and later) and C++ alike; the C++ API, which also
 * runs decks in memory and gives results as values, is in kestro/kestro.hpp. */
#ifndef KESTRO_KESTRO_H
#define KESTRO_KESTRO_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(KESTRO_BUILDING_LIBRARY)
#define KESTRO_API __declspec(dllexport)
#else
#define KESTRO_API __declspec(dllimport)
#endif
#else
#define KESTRO_API __attribute__((visibility("default")))
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define KESTRO_CALL __stdcall /* the callee removes the arguments */
#else
#define KESTRO_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the whole analysis in the current directory.  Both arguments are
 * unused.  Returns 0 whatever happened during the run: error stops and bad
 * input are reported in the report file and on standard error. */
KESTRO_API int32_t KESTRO_CALL IKESTRO(int32_t unused1, int32_t unused2);

#ifdef __cplusplus
}
#endif

#endif /* KESTRO_KESTRO_H */
