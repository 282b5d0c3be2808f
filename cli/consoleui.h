#pragma once
// Messages go to standard error; questions are answered by --yes / --no (default: no).
#include "core/userinterface.h"

class ConsoleUserInterface : public UserInterface {
public:
    bool answerYes = false;
    bool quiet = false;

    void showError(const QString &text) override;
    void showInformation(const QString &text) override;
    bool askConfirmation(const QString &text) override;
    int openWait(const QString &title, const QString &text) override;
    void setWaitText(int handle, const QString &title, const QString &text) override;
    void closeWait(int handle) noexcept override;

    int errorCount() const { return m_errors; }

private:
    int m_errors = 0;
};
