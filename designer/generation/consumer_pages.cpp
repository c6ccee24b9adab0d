#include "designer/generation/consumer_pages.h"

#include "designer/model/uOptionField.h"

namespace vq {

QStringList acceptedOrderButtonTexts()
{
    return {QStringLiteral("zahlungspflichtig bestellen"),
            QStringLiteral("jetzt zahlungspflichtig bestellen"),
            QStringLiteral("kostenpflichtig bestellen"),
            QStringLiteral("zahlungspflichtigen Vertrag schließen"),
            QStringLiteral("kaufen"),
            QStringLiteral("jetzt kaufen")};
}

bool hasPricedArticles(const ProjectDocument &project)
{
    for (const auto &artikel : project.ListArtikel) {
        if (artikel->preis != 0.0)
            return true;
        for (const auto &option : artikel->listOptionen) {
            if (option->kind() != OptionKind::Price)
                continue;
            for (const TPriceOptionElement &value :
                 static_cast<const TSelectPriceOption &>(*option).elements)
                if (value.preis != 0.0)
                    return true;
        }
    }
    return false;
}

QString orderButtonWarning(const ProjectDocument &project)
{
    if (!hasPricedArticles(project))
        return {};
    const QString caption = project.setting(QStringLiteral("edtSendenButton")).simplified();
    for (const QString &accepted : acceptedOrderButtonTexts())
        if (caption.compare(accepted, Qt::CaseInsensitive) == 0)
            return {};
    QStringList quoted;
    for (const QString &accepted : acceptedOrderButtonTexts())
        quoted << u'„' + accepted + u'“';
    return QStringLiteral(
               "Der Bestellbutton lautet „%1“. Bei Bestellungen von Verbrauchern muss er "
               "eindeutig auf die Zahlungspflicht hinweisen, sonst kommt kein Vertrag "
               "zustande (§ 312j Abs. 3 und 4 BGB). Anerkannt sind zum Beispiel: %2. "
               "Ändern Sie die Beschriftung unter „Design / CSS“, „Senden:“.")
        .arg(caption, quoted.join(QStringLiteral(", ")));
}

QString priceInformationHtml(const ProjectDocument &project)
{
    if (!hasPricedArticles(project))
        return {};
    const bool netto =
        project.ExtSettings.tax.trimmed().compare(u"netto", Qt::CaseInsensitive) == 0;
    QStringList parts{project.setting(netto ? QStringLiteral("edtPreisZzglMwst")
                                            : QStringLiteral("edtPreisInklMwst"))};
    bool shippingArticle = false;
    for (const auto &artikel : project.ListArtikel)
        shippingArticle = shippingArticle || artikel->artikelTyp == 1;
    const QString shipping = project.setting(QStringLiteral("edtVersandText"));
    if (!shippingArticle && !shipping.isEmpty()) {
        QString link = project.setting(QStringLiteral("edtVersandLink")).trimmed();
        link.replace(u'"', QStringLiteral("&quot;"));
        parts << (link.isEmpty() ? shipping
                                 : QStringLiteral("<a href=\"%1\">%2</a>").arg(link, shipping));
    }
    parts.removeAll(QString());
    if (parts.isEmpty())
        return {};
    return QStringLiteral("<p class=\"vqpreishinweis\" id=\"vqpreishinweis\">%1</p>")
        .arg(parts.join(QStringLiteral(", ")));
}

QString withdrawalFileName(bool php)
{
    return php ? QStringLiteral("widerruf.php") : QStringLiteral("widerruf.htm");
}

} // namespace vq
