// The large project of the benchmarks: 5,000 fields and 2,000 articles with
// 3 options each.
#pragma once

#include "designer/model/project_document.h"

namespace {

const vq::ProjectDocument &largeProject()
{
    static const vq::ProjectDocument project = [] {
        vq::ProjectDocument p;
        for (int i = 0; i < 5000; ++i) {
            auto field = std::make_unique<vq::TEinzField>();
            field->Name = QStringLiteral("feld%1").arg(i);
            field->Beschriftung = QStringLiteral("Beschriftung %1").arg(i);
            field->Groesse = QStringLiteral("15");
            field->maxLaenge = QStringLiteral("100");
            field->Pflicht = i % 2;
            p.ListField.push_back(std::move(field));
        }
        for (int i = 0; i < 2000; ++i) {
            auto a = std::make_unique<vq::TArtikelField>();
            a->name = QStringLiteral("Artikel %1").arg(i);
            a->artikelNummer = QString::number(i);
            a->beschreibung = QStringLiteral("Zeile 1\r\nZeile 2");
            a->preis = 9.99 + i;
            a->mwst = 19;
            auto input = std::make_unique<vq::TInputOption>();
            input->beschriftung = QStringLiteral("Text");
            a->listOptionen.push_back(std::move(input));
            auto select = std::make_unique<vq::TSelectOption>();
            select->beschriftung = QStringLiteral("Größe");
            select->defaultWert = QStringLiteral("S#M#L");
            a->listOptionen.push_back(std::move(select));
            auto price = std::make_unique<vq::TSelectPriceOption>();
            price->beschriftung = QStringLiteral("Farbe");
            price->elements = {{QStringLiteral("weiß"), 0}, {QStringLiteral("rot"), 1.5}};
            a->listOptionen.push_back(std::move(price));
            p.ListArtikel.push_back(std::move(a));
        }
        return p;
    }();
    return project;
}

} // namespace
