#pragma once
// The window's own small controls that Qt has no ready equivalent for.

#include <QComboBox>
#include <QMimeData>
#include <QObject>
#include <QStatusBar>

class QLabel;
class QWidget;

namespace app {

// A status bar with one part spanning the whole bar: a small web-page icon, then the text.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent);
    void setText(const QString& text);
    QString text() const;

private:
    QLabel* m_text;
};

// The address box. Qt reports a "choice" also when Enter or leaving the field matches the
// typed text to an entry; only a choice made in the drop-down list counts here.
class AddressBox : public QComboBox {
    Q_OBJECT
public:
    explicit AddressBox(QWidget* parent);
    void showPopup() override;
    void hidePopup() override;

Q_SIGNALS:
    void chosenFromList();

private:
    bool m_popupOpen = false;
};

// The drop registration of the address box: once attached, a drop of plain text or a link
// onto the box raises `dropped` with the data. It never shows.
class DropTarget : public QObject {
    Q_OBJECT
public:
    explicit DropTarget(QObject* parent);
    void attach(QWidget* target);
    QWidget* target() const { return m_target; }

Q_SIGNALS:
    void dropped(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_target = nullptr;
};

}  // namespace app
