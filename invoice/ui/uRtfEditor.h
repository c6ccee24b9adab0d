// The rich-text editor of the invoice footer: a text box with a tool bar for
// bold, italic, underline, paragraph alignment, font name, size and the font
// dialog. The text comes from and goes to RTF (rtf_text.h), the form in which
// the client keeps its footer.
#pragma once

#include "invoice/ui/user_questions.h"

#include <QWidget>

class QAction;
class QActionGroup;
class QComboBox;
class QSpinBox;
class QTextCharFormat;
class QTextEdit;
class QToolBar;

namespace vq::invoice {

class RtfEditor : public QWidget
{
    Q_OBJECT
public:
    explicit RtfEditor(UserQuestions &questions, QWidget *parent = nullptr);

    // Shows the RTF; what cannot be read is left out, plain text is taken as it is.
    void setRtf(const QString &rtf);
    // The text as RTF, as the footer stores it.
    QString rtf() const;
    // Whether the user changed the text since setRtf.
    bool isModified() const;

    QTextEdit *textEdit() const { return m_edit; }
    // The controls of the tool bar that take the focus, in tab order.
    QList<QWidget *> focusChain() const;

    // The system's font families without their foundries, each once, in
    // alphabetical order.
    static QStringList fontFamilies();

    // The largest size the size box offers, in points.
    static constexpr int kMaxPointSize = 200;

protected:
    // Enter in the size box applies the typed size and returns to the text.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows the selection's formats; the tool bar's handlers do nothing meanwhile.
    void updateToolBar();
    void applyFormat(const QTextCharFormat &format);
    void applyAlignment(Qt::Alignment alignment);
    void chooseFont();

    UserQuestions &m_questions;
    QTextEdit *m_edit = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_bold = nullptr;
    QAction *m_italic = nullptr;
    QAction *m_underline = nullptr;
    QActionGroup *m_alignGroup = nullptr;
    QAction *m_alignLeft = nullptr;
    QAction *m_alignCenter = nullptr;
    QAction *m_alignRight = nullptr;
    QComboBox *m_fontName = nullptr;
    QSpinBox *m_fontSize = nullptr;
    QAction *m_fontDialog = nullptr;
    bool m_updating = false;
};

} // namespace vq::invoice
