#pragma once
// The core's messages and wait windows shown as the program's own boxes.
#include "dialogs/forficheattente.h"
#include "core/userinterface.h"

#include <map>

class QtUserInterface : public UserInterface {
public:
    ~QtUserInterface() override;
    void showError(const QString &text) override;
    void showInformation(const QString &text) override;
    bool askConfirmation(const QString &text) override;
    int openWait(const QString &title, const QString &text) override;
    void setWaitText(int handle, const QString &title, const QString &text) override;
    void closeWait(int handle) noexcept override;
    void processEvents() override;

private:
    std::map<int, WaitWindowRef> m_waits;
    int m_next = 0;
};
