// Stand-in for the base library's active-user-changed notification: a registry of callbacks
// that the base library calls after the active user of the station changed.
//
// All functions are thread-safe. Callbacks run on the thread that calls
// tevbaseFireActiveUserChanged, one after the other in registration order. A callback may
// register (the new one runs from the next firing) or unregister (a later one of the same firing
// is then skipped).
#pragma once

// Called with the user pointer given at registration.
typedef void (*tevbaseActiveUserChangedCallback)(void* user);

// Adds `callback` with `user`. Returns false (and adds nothing) for a null callback or when that
// exact pair is already registered.
bool tevbaseRegisterActiveUserChangedCallback(tevbaseActiveUserChangedCallback callback,
                                              void* user);

// Removes the pair registered with `callback` and `user`. Returns false when it was not
// registered. Waits for a firing in progress on another thread, so that after the call returns
// the callback is neither running nor called again; the caller must therefore not hold a lock
// that the callback takes.
bool tevbaseUnregisterActiveUserChangedCallback(tevbaseActiveUserChangedCallback callback,
                                                void* user);

// Calls every registered callback, as the base library does after the active user changed.
// Returns the number of callbacks called. Meant for tests and simulations. A callback must not
// wait for another thread that is unregistering.
int tevbaseFireActiveUserChanged();
