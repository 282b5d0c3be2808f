#pragma once
// Folder paths end with "/" wherever the program adds or tests the separator; "\" from
// Windows settings files counts as a separator too.
#include <QString>

namespace Paths {

bool endsWithSeparator(const QString &path);
// The path with a trailing "/" added when it has none; an empty path gives "/".
QString withSeparator(const QString &path);
// A folder setting as the windows show it: a folder stored as "/" or "\" (what an empty choice
// is saved as) is no choice, and shows empty rather than offering the whole disk.
QString shownFolder(const QString &stored);
// "\" turned into "/" (masks and paths written on the old platform).
QString toSlashes(const QString &path);

// The folder that plays the role of the program folder: the executable's folder when it holds
// "Lumaro.ini" (portable installation), otherwise $XDG_CONFIG_HOME/lumaro/ (default
// ~/.config/lumaro/). Always ends with "/"; it is not created here.
QString settingsFolder(const QString &executableFolder);

// The folder under which the desktop mounts this user's cards: "/media/<login>/".
QString defaultCardReader();

} // namespace Paths
