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
    // Two weeks, as most small shops grant.
    client.zahlungsziel = 14;
    return client;
}

TCurrentClient::TCurrentClient(TInvoiceDatabase &db, QString programFolder)
    : m_db(db)
    , m_programFolder(std::move(programFolder))
{
}

bool TCurrentClient::accept(int mandantId, QString *message)
{
    auto refuse = [&](const QString &text) {
        if (message)
            *message = text;
        return false;
    };
    const auto clients = m_db.clients();
    if (!clients)
        return refuse(
            QStringLiteral("Die Mandanten können nicht gelesen werden: %1").arg(m_db.lastError()));
    if (clients->isEmpty())
        return refuse(QStringLiteral("Bitte zuerst einen Mandanten anlegen."));
    if (!m_db.client(mandantId)) {
        if (!m_db.lastError().isEmpty())
            return refuse(QStringLiteral("Die Mandanten können nicht gelesen werden: %1")
                              .arg(m_db.lastError()));
        return refuse(QStringLiteral("Mandant %1 nicht gefunden.").arg(mandantId));
    }
    const QString target = clientTemplatePath(mandantId);
    const QString source =
        QDir(m_programFolder).filePath(QString::fromUtf16(kDefaultInvoiceTemplate));
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
