#include "update/linkopener.h"

#include <QDesktopServices>

namespace {

LinkOpener::Opener &current()
{
    static LinkOpener::Opener opener;
    return opener;
}

} // namespace

namespace LinkOpener {

bool open(const QUrl &address)
{
    return current() ? current()(address) : QDesktopServices::openUrl(address);
}

Opener replace(Opener opener)
{
    return std::exchange(current(), std::move(opener));
}

} // namespace LinkOpener
