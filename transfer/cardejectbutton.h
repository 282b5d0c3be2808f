#pragma once
// "Éjecter la carte": what the transfer windows offer at the end of a transfer from a removable
// card, so that the card can be pulled out safely. With the setting "Éjecter la carte à la fin
// du transfert" on, the card is ejected at once instead. A camera or phone is not ejected but
// given back (released) by whoever opened it.
#include "core/devices/cardeject.h"

#include <QPushButton>

#include <memory>

class PhotoSource;

class CardEjectButton : public QPushButton {
    Q_OBJECT

public:
    explicit CardEjectButton(QWidget *parent = nullptr);

    // Test seam: the UDisks2 the button asks (a mock on a private bus in the tests).
    void setCardEject(const CardEject &eject) { m_eject = std::make_unique<CardEject>(eject); }

    // At the end of a transfer from source: true when the window should stay open with the
    // button enabled (a card UDisks2 can eject, and not ejected at once or refused then).
    bool offer(const PhotoSource *source, bool ejectAtOnce);
    // The card of the last offer ejected; the daemon's refusal shown in a message box.
    bool eject();

signals:
    void ejected();

private:
    std::unique_ptr<CardEject> m_eject;
    QString m_folder;
};
