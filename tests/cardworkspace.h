#pragma once
// A scratch folder made anew for each test function of the transfer workflows: the settings of
// "settings/Lumaro.ini", a demo card of small photos under "card/", the destination "dest/", and
// a user interface that records what it was told and answers for the user.
#include "core/settings/paramappli.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QTemporaryDir>

#include <memory>

class CardWorkspace {
public:
    DemoCard::Contents card;
    std::unique_ptr<TParamAppli> settings;
    RecordingUserInterface ui;

    // Call from init(): a new empty folder and default settings.
    void open()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        settings = std::make_unique<TParamAppli>(path(QStringLiteral("settings/Lumaro.ini")));
        ui = RecordingUserInterface();
        card = {};
    }
    // Call from cleanup(): everything written is removed.
    void close()
    {
        settings.reset();
        if (m_dir)
            TestSupport::removeTree(m_dir->path());
        m_dir.reset();
    }

    QString root() const { return m_dir->path(); }
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString destination() const { return path(QStringLiteral("dest/")); }

    // COUNT photos of 320 x 240 on the card, in card.photos.
    void makeCard(int count)
    {
        DemoCard::Options options;
        options.count = count;
        options.size = QSize(320, 240);
        card = DemoCard::write(path(QStringLiteral("card")), options);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};
