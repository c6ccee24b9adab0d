#include "designer/publishing/ftp_client.h"

#include <QFile>

#include <QUrl>

#include <curl/curl.h>
#include <mutex>

namespace vq {

namespace {

std::once_flag curlInitialised;

struct UploadSource
{
    const QByteArray *data;
    qsizetype offset = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *userdata)
{
    auto *source = static_cast<UploadSource *>(userdata);
    const qsizetype left = source->data->size() - source->offset;
    const qsizetype n = std::min<qsizetype>(left, qsizetype(size * count));
    memcpy(buffer, source->data->constData() + source->offset, size_t(n));
    source->offset += n;
    return size_t(n);
}

// A listing larger than this is no folder of a web space but a server that
// does not stop sending; the transfer is broken off.
constexpr qsizetype kMaxListingBytes = 32 * 1024 * 1024;

size_t appendTo(char *data, size_t size, size_t count, void *target)
{
    auto *buffer = static_cast<QByteArray *>(target);
    if (buffer->size() + qsizetype(size * count) > kMaxListingBytes)
        return 0; // libcurl ends the transfer with a write error
    buffer->append(data, qsizetype(size * count));
    return size * count;
}

// Joins a folder to the current one; ".." climbs, "." stays.
QString resolveFolder(const QString &current, const QString &folder)
{
    QStringList parts;
    if (!folder.startsWith(u'/'))
        parts = current.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : folder.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (part != u".") {
            parts << part;
        }
    }
    return u'/' + parts.join(u'/');
}

} // namespace

struct FtpClient::Request
{
    QByteArray url;
    bool noBody = false;
    QByteArray *download = nullptr;
    const QByteArray *upload = nullptr;
    bool ascii = true;
    QStringList preQuote; // sent after the folder change, right before the transfer
    bool dirList = false;
};

QString FtpClient::maskedTraffic(const QString &line)
{
    if (line.contains(QLatin1String("PASS "), Qt::CaseInsensitive))
        return QStringLiteral(">> PASS *********");
    return line;
}

QString folderFromPwdReply(const QString &reply)
{
    const qsizetype open = reply.indexOf(u'"');
    if (open < 0)
        return {};
    QString folder;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply.at(i) == u'"') {
            if (i + 1 < reply.size() && reply.at(i + 1) == u'"') {
                folder += u'"';
                ++i;
                continue;
            }
            return folder;
        }
        folder += reply.at(i);
    }
    return {};
}

FtpClient::FtpClient(FtpSettings settings, Log traffic)
    : m_settings(std::move(settings))
    , m_caFile(QFile::encodeName(m_settings.caFile))
    , m_traffic(std::move(traffic))
{
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FtpClient::~FtpClient()
{
    quit();
}

void FtpClient::quit()
{
    // Cleaning up the handle sends QUIT on a live connection.
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL *>(m_curl));
    m_curl = nullptr;
    m_connected = false;
}

QByteArray FtpClient::url(const QString &folder, const QString &file) const
{
    const QString host =
        m_settings.host.contains(u':') ? u'[' + m_settings.host + u']' : m_settings.host;
    // "%2F" at the start makes libcurl change into the absolute folder.
    QByteArray path = "/%2F";
    for (const QString &part : folder.split(u'/', Qt::SkipEmptyParts))
        path += QUrl::toPercentEncoding(part) + '/';
    if (!file.isEmpty())
        path += QUrl::toPercentEncoding(file);
    return "ftp://" + QUrl::toPercentEncoding(host, ":[]") + ':'
           + QByteArray::number(m_settings.port) + path;
}

bool FtpClient::perform(const Request &request)
{
    m_failure = FtpFailure::None;
    m_error.clear();
    if (m_settings.host.trimmed().isEmpty()) {
        m_failure = FtpFailure::NoHost;
        m_error = QStringLiteral("Bitte geben Sie einen gültigen Servernamen an.");
        return false;
    }
    if (!m_curl)
        m_curl = curl_easy_init();
    CURL *curl = static_cast<CURL *>(m_curl);
    if (!curl) {
        m_failure = FtpFailure::Other;
        m_error = QStringLiteral("Die FTP-Verbindung konnte nicht vorbereitet werden.");
        return false;
    }
    curl_easy_reset(curl);
    const QByteArray user = m_settings.user.toUtf8();
    const QByteArray password = m_settings.password.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    // A server that stops answering ends the command instead of the program's patience.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    if (m_settings.passive) {
        curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 0L);
    } else {
        // Active mode: the server connects back to the address of the control connection.
        curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    }
    if (m_settings.tls) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        if (!m_caFile.isEmpty())
            curl_easy_setopt(curl, CURLOPT_CAINFO, m_caFile.constData());
    }
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, request.ascii ? 1L : 0L);

    // Commands and replies for the traffic log; reply lines kept for errors and PWD.
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(
        curl, CURLOPT_DEBUGFUNCTION,
        +[](CURL *, curl_infotype type, char *data, size_t size, void *self) -> int {
            auto *client = static_cast<FtpClient *>(self);
            if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
                return 0;
            const QString text = QString::fromUtf8(data, qsizetype(size));
            for (QString line : text.split(u'\n', Qt::SkipEmptyParts)) {
                if (line.endsWith(u'\r'))
                    line.chop(1);
                if (line.isEmpty())
                    continue;
                if (type == CURLINFO_HEADER_IN) {
                    client->m_lastReply = line;
                    if (line.startsWith(QLatin1String("257")))
                        client->m_lastPwd = line;
                }
                if (client->m_traffic)
                    client->m_traffic(
                        maskedTraffic((type == CURLINFO_HEADER_OUT ? QStringLiteral(">> ")
                                                                   : QStringLiteral("<< "))
                                      + line));
            }
            return 0;
        });

    curl_slist *preQuote = nullptr;
    for (const QString &command : request.preQuote)
        preQuote = curl_slist_append(preQuote, command.toUtf8().constData());
    if (preQuote)
        curl_easy_setopt(curl, CURLOPT_PREQUOTE, preQuote);

    QByteArray sink;
    UploadSource source{request.upload};
    if (request.upload) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
        curl_easy_setopt(curl, CURLOPT_READDATA, &source);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.upload->size()));
    } else {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendTo);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, request.download ? request.download : &sink);
    }
    if (request.noBody)
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (request.dirList)
        curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 0L);
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_PREQUOTE, nullptr);
    curl_slist_free_all(preQuote);
    if (code == CURLE_OK) {
        m_connected = true;
        return true;
    }
    switch (code) {
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_USE_SSL_FAILED:
        m_failure = FtpFailure::ServerRefused;
        break;
    default:
        m_failure = FtpFailure::Other;
        break;
    }
    const QString detail =
        QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
    m_error = QStringLiteral("FTP-Fehler: %1").arg(detail);
    // After a failure the connection is not trusted any more.
    quit();
    return false;
}

bool FtpClient::connectAndLogin()
{
    Request request;
    request.url = url(QString());
    request.url.chop(3); // the login folder itself: no "%2F"
    request.noBody = true;
    request.preQuote = {QStringLiteral("PWD")};
    m_lastPwd.clear();
    if (!perform(request))
        return false;
    const QString folder = folderFromPwdReply(m_lastPwd);
    m_folder = folder.isEmpty() ? QStringLiteral("/") : folder;
    return true;
}

bool FtpClient::changeFolder(const QString &folder)
{
    const QString target = resolveFolder(m_folder, folder);
    Request request;
    request.url = url(target);
    request.noBody = true;
    request.preQuote = {QStringLiteral("PWD")};
    m_lastPwd.clear();
    if (!perform(request))
        return false;
    const QString named = folderFromPwdReply(m_lastPwd);
    m_folder = named.isEmpty() ? target : named;
    return true;
}

std::optional<QList<FtpEntry>> FtpClient::list()
{
    QByteArray listing;
    Request request;
    request.url = url(m_folder);
    request.download = &listing;
    request.dirList = true;
    if (!perform(request))
        return std::nullopt;
    return parseListing(listing, false, QDate::currentDate());
}

bool FtpClient::store(const QString &name, const QByteArray &data, bool ascii)
{
    Request request;
    request.url = url(m_folder, name);
    request.upload = &data;
    request.ascii = ascii;
    return perform(request);
}

} // namespace vq
