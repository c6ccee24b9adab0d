// The template manager "Vorlagen verwalten": lists the templates of one
// library and deletes them.
#pragma once

#include <QDialog>

class QListWidget;

namespace vq::ui {

class UserQuestions;

class TfrmVorlagen : public QDialog
{
    Q_OBJECT
public:
    // xmlTag: the child shown per template; libraryPath: the library file.
    TfrmVorlagen(const QString &xmlTag, const QString &libraryPath, UserQuestions &dialogs,
                 QWidget *parent = nullptr);

private:
    void deleteSelected();

    QString m_path;
    UserQuestions &m_dialogs;
    QListWidget *m_list;
};

} // namespace vq::ui
