// SaveProject and LoadProject of a large project (5,000 fields, 2,000 articles
// with 3 options each), beside the time QDomDocument alone needs to parse and
// to write the same file. Target: each within 2x of the bare XML time.
#include "common/safe_file.h"
#include "designer/model/project_document.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

struct Files
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("gross.vqb"));
    QByteArray bytes;
    Files()
    {
        QString error;
        largeProject().SaveProject(path, &error);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll();
    }
};

Files &files()
{
    static Files f;
    return f;
}

void BM_SaveProject(benchmark::State &state)
{
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(largeProject().SaveProject(files().path, &error));
    }
    state.SetBytesProcessed(state.iterations() * files().bytes.size());
}

// QDomDocument serialising the parsed file, written through the same safe
// file write (temporary file, flush, rename) that SaveProject uses.
void BM_BareXmlWrite(benchmark::State &state)
{
    QDomDocument dom;
    dom.setContent(files().bytes);
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(vq::writeFileSafely(files().path + QStringLiteral(".bare"),
                                                     dom.toByteArray(2), &error));
    }
    state.SetBytesProcessed(state.iterations() * files().bytes.size());
}

// The same two without the disk: building and serialising the project's tree
// against serialising an already parsed tree.
void BM_SaveProjectInMemory(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(largeProject().toXml());
}

void BM_BareXmlSerialise(benchmark::State &state)
{
    QDomDocument dom;
    dom.setContent(files().bytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(dom.toByteArray(2));
}

void BM_LoadProject(benchmark::State &state)
{
    for (auto _ : state) {
        vq::ProjectDocument p;
        benchmark::DoNotOptimize(p.LoadProject(files().path));
    }
    state.SetBytesProcessed(state.iterations() * files().bytes.size());
}

void BM_BareXmlParse(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(files().path);
        f.open(QIODevice::ReadOnly);
        QDomDocument dom;
        benchmark::DoNotOptimize(dom.setContent(f.readAll()));
    }
    state.SetBytesProcessed(state.iterations() * files().bytes.size());
}

} // namespace

BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareXmlWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProjectInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareXmlSerialise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareXmlParse)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
