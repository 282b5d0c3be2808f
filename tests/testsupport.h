#pragma once
// Shared by the tests: a user interface that records what the core says and answers its
// questions, and a per-test environment that keeps the real home folder out of reach.
#include "core/userinterface.h"

#include <QStringList>
#include <QTemporaryDir>

#include <deque>

class RecordingUserInterface : public UserInterface {
public:
    struct Wait {
        QString title, text;
        bool open = true;
    };

    QStringList errors, informations, confirmations;
    std::deque<bool> answers; // answers to the next questions; refuse when empty
    std::vector<Wait> waits;

    void showError(const QString &text) override { errors << text; }
    void showInformation(const QString &text) override { informations << text; }
    bool askConfirmation(const QString &text) override
    {
        confirmations << text;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int openWait(const QString &title, const QString &text) override
    {
        waits.push_back({title, text, true});
        return int(waits.size()) - 1;
    }
    void setWaitText(int handle, const QString &title, const QString &text) override
    {
        waits.at(size_t(handle)).title = title;
        waits.at(size_t(handle)).text = text;
    }
    void closeWait(int handle) noexcept override
    {
        if (handle >= 0 && size_t(handle) < waits.size())
            waits[size_t(handle)].open = false;
    }
    bool anyWaitOpen() const
    {
        for (const Wait &w : waits)
            if (w.open)
                return true;
        return false;
    }
};

namespace TestSupport {
// French locale, Paris time, and HOME / XDG_CONFIG_HOME pointed into a temporary folder.
// Call first in initTestCase().
void isolateEnvironment();
// The lumaro-cli program of this build.
QString cliPath();
// Runs lumaro-cli with the arguments; returns the exit code, fills standard output and error.
int runCli(const QStringList &arguments, QString *out = nullptr, QString *err = nullptr, int timeoutMs = 120000);
} // namespace TestSupport
