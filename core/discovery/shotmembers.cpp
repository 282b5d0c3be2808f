#include "core/discovery/shotmembers.h"

QStringList ShotMembers::membersOf(const QString &keyPath) const
{
    const auto found = m_members.constFind(keyPath);
    return found == m_members.constEnd() ? QStringList{keyPath} : *found;
}

void ShotMembers::add(const QStringList &members)
{
    if (members.size() > 1)
        m_members.insert(members.first(), members);
}
