#pragma once
// How the core reaches the user: messages, questions and the wait window.
// The program installs the windowed implementation, lumaro-cli a console one,
// and tests a recording one that answers questions for the user.
#include <QString>

class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual void showError(const QString &text) = 0;       // "Erreur" box
    virtual void showInformation(const QString &text) = 0; // "Information" box
    // True only when the user consents ("&Oui"); any other outcome is a refusal.
    virtual bool askConfirmation(const QString &text) = 0;

    // The wait window: open returns a handle that closeWait takes back.
    virtual int openWait(const QString &title, const QString &text) = 0;
    virtual void setWaitText(int handle, const QString &title, const QString &text) = 0;
    virtual void closeWait(int handle) noexcept = 0;

    // Lets the windows repaint and the stop buttons work during long loops.
    virtual void processEvents() {}
};

// Keeps a wait window open for one scope; closing never fails.
class WaitScope {
public:
    WaitScope(UserInterface &ui, const QString &text, const QString &title = QStringLiteral("Veuillez patienter"))
        : m_ui(ui), m_handle(ui.openWait(title, text)) {}
    ~WaitScope() { close(); }
    WaitScope(const WaitScope &) = delete;
    WaitScope &operator=(const WaitScope &) = delete;

    void setText(const QString &text, const QString &title = QStringLiteral("Veuillez patienter"))
    {
        if (m_handle >= 0)
            m_ui.setWaitText(m_handle, title, text);
    }
    void close() noexcept
    {
        if (m_handle >= 0)
            m_ui.closeWait(m_handle);
        m_handle = -1;
    }

private:
    UserInterface &m_ui;
    int m_handle;
};
