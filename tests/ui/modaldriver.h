#pragma once
// For widget tests: answers the modal windows (message boxes, dialogs, a modal player) in turn as
// they open, and records the texts of the message boxes.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

// Answers the modal windows as they open, one step per window, and records the message boxes.
// Each step runs from its own timer turn, so a step may open further modal windows.
class ModalDriver : public QObject {
public:
    using Step = std::function<void(QWidget *)>;
    std::deque<Step> steps;
    QStringList boxTexts;

    ModalDriver()
    {
        connect(&m_poll, &QTimer::timeout, this, &ModalDriver::poll);
        m_poll.start(10);
    }
    void then(Step step) { steps.push_back(std::move(step)); }

    static Step press(const QString &button)
    {
        return [button](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                for (QAbstractButton *b : box->buttons())
                    if (b->text() == button)
                        b->click();
        };
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        // A window seen before is only back on top after the one it opened has closed.
        if (!modal || std::find(m_seen.begin(), m_seen.end(), modal) != m_seen.end())
            return;
        m_seen.emplace_back(modal);
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            boxTexts << box->text();
        if (steps.empty()) {
            // Unexpected: refuse, so that nothing is deleted or left by mistake.
            if (qobject_cast<QMessageBox *>(modal))
                QTimer::singleShot(0, modal, [modal] {
                    press(QStringLiteral("&Non"))(modal);
                    press(QStringLiteral("OK"))(modal);
                });
            return;
        }
        Step step = std::move(steps.front());
        steps.pop_front();
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [step, target] {
            if (target)
                step(target);
        });
    }

    QTimer m_poll;
    std::vector<QPointer<QWidget>> m_seen;
};
