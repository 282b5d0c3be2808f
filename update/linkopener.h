#pragma once
// The one door through which the update check and the link labels hand an address to the
// desktop (the browser, the mail program). Tests replace it so that nothing is launched.
#include <QUrl>

#include <functional>

namespace LinkOpener {

using Opener = std::function<bool(const QUrl &)>;

// Opens the address through QDesktopServices unless a test has put its own opener in place.
bool open(const QUrl &address);
// Puts an opener in place (an empty one restores the desktop's); returns the previous one.
Opener replace(Opener opener);

} // namespace LinkOpener
