// The small windows of the designer: the information window, the splash
// window shown at start and the help window with an embedded browser.
#pragma once

#include <QDialog>
#include <QUrl>

class QMouseEvent;

namespace vq::ui {

inline constexpr char16_t kProgramVersion[] = u"1.5.8";

class TfrmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget *parent = nullptr);
};

// Closes itself after two seconds (or on a click).
class TfrmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// "Hilfe": a modal window showing a help page of the program folder at the
// section the address names.
class TfrmHelp : public QDialog
{
    Q_OBJECT
public:
    TfrmHelp(const QUrl &page, QWidget *parent = nullptr);
    QUrl page() const { return m_page; }

private:
    QUrl m_page;
};

} // namespace vq::ui
