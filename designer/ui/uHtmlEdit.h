// The HTML snippet editor: a browser document in edit mode with formatting
// tools, for the descriptions and texts that may hold HTML.
#pragma once

#include "designer/ui/editor_prompts.h"

#include <QDialog>
#include <QVariant>

class QAction;
class QWebEngineView;

namespace vq::ui {

class TfrmHtmlEdit : public QDialog
{
public:
    explicit TfrmHtmlEdit(UserQuestions &prompts, QWidget *parent = nullptr);

    // Replaces the document with html. Throws std::runtime_error when the
    // browser does not start or does not answer.
    void SetSource(const QString &html);
    // The inner HTML of the document's body. Throws like SetSource.
    QString GetSource();
    // The source taken when the editor closed with acceptance.
    QString acceptedSource() const { return m_acceptedSource; }

    // Every close asks whether the input is taken over.
    void done(int result) override;

    // Runs a script in the document and waits for its result (tests use it
    // to select text). Throws like SetSource.
    QVariant runScript(const QString &script);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *addEditAction(const QString &objectName, const QString &caption,
                           const QString &script);
    void waitForLoad();
    void fontColour();
    void hyperlink();
    void newDocument();
    void runAction(const QString &script);

    UserQuestions &m_prompts;
    QWebEngineView *m_view = nullptr;
    bool m_loaded = false;
    bool m_loadFailed = false;
    bool m_shown = false;
    bool m_closing = false;
    QString m_acceptedSource;
};

// Opens the editor modally on text: on acceptance text takes its source and
// true is returned. Throws std::runtime_error when the editor cannot start.
bool editHtmlSnippet(QWidget *parent, UserQuestions &prompts, QString &text);

} // namespace vq::ui
