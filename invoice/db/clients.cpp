#include "clients.h"

#include "GlobalFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vq::invoice {

QString clientTemplatePath(int mandantId)
{
    return vq::appDataFile(QStringLiteral("%1.rav").arg(mandantId));
}

TMandant newClient()
{
    TMandant client;
    client.port = 110;
    return client;
}

TCurrentClient::TCurrentClient(TInvoiceDatabase &db, QString programFolder)
    : m_db(db)
    , m_programFolder(std::move(programFolder))
{
}

bool TCurrentClient::accept(int mandantId, QString *message)
{
    if (m_db.clients().isEmpty()) {
        if (message)
            *message = QStringLiteral("Bitte zuerst einen Mandanten anlegen.");
        return false;
    }
    if (!m_db.client(mandantId)) {
        if (message)
            *message = QStringLiteral("Mandant %1 nicht gefunden.").arg(mandantId);
        return false;
    }
    const QString target = clientTemplatePath(mandantId);
    const QString source = QDir(m_programFolder).filePath(QString::fromUtf16(kDefaultInvoiceTemplate));
    // Without the default no copy is made; printing then reports the missing template.
    if (!QFileInfo::exists(target) && QFileInfo::exists(source))
        QFile::copy(source, target);
    m_id = mandantId;
    return true;
}

QString TCurrentClient::currency() const
{
    const auto client = data();
    return client ? client->waehrung : QString();
}

} // namespace vq::invoice
