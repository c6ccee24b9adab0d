// Fields and projects shared by the generation tests.
#pragma once

#include "designer/model/project_document.h"
#include "designer/model/vqform.h"
#include "tests/support/print_qstring.h"

#include <QString>
#include <memory>
#include <ostream>

namespace vq::test {

// u"..." joined with a QString, for expected texts.
inline QString operator+(const QString &a, const char16_t *b)
{
    return a + QString::fromUtf16(b);
}
inline QString operator+(const char16_t *a, const QString &b)
{
    return QString::fromUtf16(a) + b;
}

inline std::unique_ptr<TEinzField> einz(const QString &name, const QString &label, int check = 0,
                                        int minLength = 0)
{
    auto f = std::make_unique<TEinzField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Groesse = QStringLiteral("30");
    f->maxLaenge = QStringLiteral("60");
    f->Pflicht = true;
    f->PflichtFeldTyp = check;
    f->MinPflichtLaenge = minLength;
    return f;
}

inline std::unique_ptr<TPassField> pass(const QString &name, const QString &label)
{
    auto f = std::make_unique<TPassField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Groesse = QStringLiteral("20");
    f->maxLaenge = QStringLiteral("20");
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TMehrzField> mehrz(const QString &name, const QString &label,
                                          const QString &limit = {}, bool display = false)
{
    auto f = std::make_unique<TMehrzField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Breite = QStringLiteral("40");
    f->Hoehe = QStringLiteral("4");
    f->maxLaenge = limit;
    f->zeichenAnzeige = display;
    f->zeichenAnzeigeText = QStringLiteral("Zeichen übrig");
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TDropDownField> dropDown(const QString &name, const QString &label,
                                                const QString &choices, const QString &size)
{
    auto f = std::make_unique<TDropDownField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Felder = choices;
    f->Groesse = size;
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TCheckBoxField> checkBox(const QString &name, const QString &label)
{
    auto f = std::make_unique<TCheckBoxField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Vorgabewert = QStringLiteral("ja");
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TRadioField> radio(const QString &name, const QString &label,
                                          const QString &choices)
{
    auto f = std::make_unique<TRadioField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Felder = choices;
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TFileField> file(const QString &name, const QString &label)
{
    auto f = std::make_unique<TFileField>();
    f->Name = name;
    f->Beschriftung = label;
    f->Groesse = QStringLiteral("30");
    f->Pflicht = true;
    return f;
}

inline std::unique_ptr<TZwField> zw(const QString &text)
{
    auto f = std::make_unique<TZwField>();
    f->Beschriftung = text;
    return f;
}

// A project with a required field of every kind, each kind of single-line
// check, and no articles. The form mailer is a local address.
inline ProjectDocument everyKindProject()
{
    ProjectDocument p;
    p.ExtSettings.encoding = QStringLiteral("utf-8");
    p.ExtSettings.tax = QStringLiteral("brutto");
    p.setSetting(QStringLiteral("cboFormMailer"),
                 QStringLiteral("http://127.0.0.1:9/formmail.php"));
    p.setSetting(QStringLiteral("edtDanke"), QStringLiteral("danke.htm"));
    p.setSetting(QStringLiteral("edtEMail"), QStringLiteral("shop@example.com"));
    p.setSetting(QStringLiteral("cboMailFormat"), QStringLiteral("plain"));
    p.setSetting(QStringLiteral("memoMailtext"),
                 QStringLiteral("Neue Anfrage von {#name#}\r\nBitte antworten."));
    p.ListField.push_back(zw(QStringLiteral("<b>Ihre Angaben</b>")));
    p.ListField.push_back(einz(QStringLiteral("name"), QStringLiteral("Name")));
    p.ListField.push_back(einz(QStringLiteral("email"), QStringLiteral("E-Mail"), 1));
    p.ListField.push_back(einz(QStringLiteral("menge"), QStringLiteral("Menge"), 2));
    p.ListField.push_back(einz(QStringLiteral("plz"), QStringLiteral("PLZ"), 3, 5));
    p.ListField.push_back(pass(QStringLiteral("kennwort"), QStringLiteral("Kennwort")));
    p.ListField.push_back(mehrz(QStringLiteral("nachricht"), QStringLiteral("Nachricht"),
                                QStringLiteral("200"), true));
    p.ListField.push_back(dropDown(QStringLiteral("farbe"), QStringLiteral("Farbe"),
                                   QStringLiteral("Bitte wählen#rot#grün"), QStringLiteral("1")));
    p.ListField.push_back(dropDown(QStringLiteral("groesse"), QStringLiteral("Größe"),
                                   QStringLiteral("S#M#L"), QStringLiteral("3")));
    p.ListField.push_back(checkBox(QStringLiteral("agb"), QStringLiteral("AGB")));
    p.ListField.push_back(
        radio(QStringLiteral("anrede"), QStringLiteral("Anrede"), QStringLiteral("Frau#Herr")));
    // A group of a single button.
    p.ListField.push_back(
        radio(QStringLiteral("zustimmung"), QStringLiteral("Zustimmung"), QStringLiteral("Ja")));
    p.ListField.push_back(file(QStringLiteral("anhang"), QStringLiteral("Anhang")));
    return p;
}

} // namespace vq::test
