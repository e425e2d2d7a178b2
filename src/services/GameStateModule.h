/* The entry points of a game-state module: a shared object placed in the
 * program's folders (its name holds ".qvmod") that adds one handler to the
 * game-state chain. Valid C and C++; a module includes only this file.
 *
 * The module exports, with C linkage:
 *   const QvGameStateHandler* CreateHandler(void);
 *     returns the module's handler (null = failure); the table must stay
 *     valid until DestroyHandler is called with it.
 *   void DestroyHandler(const QvGameStateHandler* handler);
 *     takes it back; called once, before the module is unloaded.
 *
 * Texts are NUL-terminated UTF-8. The text that OnGetState returns belongs to
 * the module and must stay valid until the next call into the same handler;
 * null means "report the value given". */
#ifndef ORVELLE_SERVICES_GAMESTATEMODULE_H
#define ORVELLE_SERVICES_GAMESTATEMODULE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QvGameStateHandler
{
    /* sizeof(QvGameStateHandler) as the module was built; a table smaller
     * than the program's is refused. */
    size_t size;
    /* Passed back as the first argument of every operation. */
    void* object;
    /* Nonzero when the change is consumed. */
    int (*OnSetState)(void* object, const char* key, const char* value);
    const char* (*OnGetState)(void* object, const char* key, const char* value);
    int (*QueryRestartMode)(void* object);
    int (*QueryJumpToMenu)(void* object);
    int (*QueryMuteGame)(void* object);
    int (*IsHoldingGame)(void* object);
} QvGameStateHandler;

typedef const QvGameStateHandler* (*QvCreateHandlerFn)(void);
typedef void (*QvDestroyHandlerFn)(const QvGameStateHandler* handler);

#ifdef __cplusplus
}
#endif

#endif
