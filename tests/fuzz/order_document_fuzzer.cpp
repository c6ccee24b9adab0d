// Fuzz target over the order document reader: any bytes as the body of an
// order mail. Every input must end in an order or an error within bounded
// time, never in a crash; an order that is read keeps to the rules the reader
// promises (no values out of range, no control characters, nothing but the
// identifier from a refused document), and the signature check never accepts
// a signature made with another secret. The same bytes are read as a
// withdrawal document too.
#include "invoice/mail/order_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "order document: %s\n", what);
        std::abort();
    }
}

bool singleLine(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace vq::invoice;
    const QByteArray body(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    OrderDocument document;
    QString error;
    if (readOrderDocument(body, &document, &error)) {
        const TBestellung &o = document.order;
        require(!o.uuid.isEmpty() && o.uuid.size() <= kMaxOrderUuidLength, "identifier");
        for (const QString *text : {&o.uuid, &o.firma, &o.name, &o.nachname, &o.strasse, &o.plz,
                                    &o.ort, &o.land, &o.email, &o.telefon, &o.homepage, &o.ip})
            require(singleLine(*text), "control character in a value");
        for (const TArtikel &line : document.lines) {
            require(line.mwst >= 0 && line.mwst <= 100, "VAT out of range");
            require(line.preis >= 0 && line.preis <= kMaxOrderPrice, "price out of range");
            require(line.anzahl >= 0, "negative quantity");
            require(singleLine(line.nr) && singleLine(line.name), "control character in a line");
            for (const TOption &option : line.optionen) {
                require(!option.preis || (*option.preis > 0 && *option.preis <= kMaxOrderPrice),
                        "surcharge");
                require(singleLine(option.name) && singleLine(option.wert),
                        "control character in an option");
            }
        }
    } else {
        require(!error.isEmpty(), "refused without a message");
        require(document.lines.isEmpty() && document.order.name.isEmpty(),
                "refused document handed on");
    }
    // The same bytes as a withdrawal document.
    TWiderruf withdrawal;
    if (readWithdrawalDocument(body, &withdrawal, &error)) {
        require(!withdrawal.uuid.isEmpty() && withdrawal.uuid.size() <= kMaxOrderUuidLength,
                "withdrawal identifier");
        require(!withdrawal.bestellnummer.isEmpty() || withdrawal.bestelldatum.isValid(),
                "withdrawal names no order");
        for (const QString *text : {&withdrawal.name, &withdrawal.email, &withdrawal.bestellnummer,
                                    &withdrawal.grund, &withdrawal.ip})
            require(singleLine(*text), "control character in a withdrawal");
    } else {
        require(!error.isEmpty() && withdrawal.name.isEmpty(), "refused withdrawal handed on");
    }
    // The signature: right with its own secret, wrong with another.
    const QString secret = QStringLiteral("geheim");
    const QString signature = orderSignature(body, secret);
    require(orderSignatureValid(body, signature, secret), "own signature refused");
    require(!orderSignatureValid(body, signature, QStringLiteral("anders")),
            "foreign signature accepted");
    (void)decodeStrictBase64(QString::fromLatin1(body.left(4096)));
    return 0;
}
