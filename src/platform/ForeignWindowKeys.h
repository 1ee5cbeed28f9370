#pragma once

#include <Qt>

#include <functional>

// The function keys pressed in windows of this program that Qt does not own: on Windows
// the system's help viewer and print dialog, which run their own keyboard handling. Qt's
// event filters never see those keys. Elsewhere every window of the program is Qt's and
// no key is watched here.
namespace ForeignWindowKeys {

// Called for each press of F1 to F12 without Shift, Ctrl or Alt in such a window,
// `repeat` when the key is held down; returns whether it took the key from the window.
using Handler = std::function<bool(Qt::Key key, bool repeat)>;

// Watches with `handler` from now on; an empty handler stops watching.
void watch(Handler handler);

} // namespace ForeignWindowKeys
