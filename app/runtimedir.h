#pragma once

// Where Qt keeps per-session files (XDG_RUNTIME_DIR). Without it (root on a text console, su, a
// bare container) Qt says so on standard error at every start and then uses
// <temp>/runtime-<user>. Nothing there for an operator to do, so on Unix that same directory is
// named up front, made private to this user as Qt would make it; a directory of that name that
// is not this user's own is left for Qt to refuse. Other systems have no such variable: nothing
// to do there. Call before the application object is made.
void provideRuntimeDir();
