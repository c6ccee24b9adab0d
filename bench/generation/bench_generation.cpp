// HTML and PHP generation for projects of 250, 1000 and 4000 fields with a
// quarter as many articles of three options each.
#include "designer/generation/uGenHtml.h"
#include "designer/generation/uPHPGen.h"
#include "designer/model/uOptionField.h"

#include "common/memory_tuning.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace vq;

namespace {

ProjectDocument makeProject(int fields)
{
    ProjectDocument p;
    p.ExtSettings.encoding = QStringLiteral("utf-8");
    p.ExtSettings.tax = QStringLiteral("brutto");
    p.setFlag(QStringLiteral("chkCaptcha"), true);
    for (int i = 0; i < fields; ++i) {
        const QString name = QStringLiteral("feld%1").arg(i);
        std::unique_ptr<TFormField> field;
        switch (i % 4) {
        case 0: {
            auto f = std::make_unique<TEinzField>();
            f->Groesse = QStringLiteral("30");
            f->PflichtFeldTyp = i % 3;
            field = std::move(f);
            break;
        }
        case 1: {
            auto f = std::make_unique<TMehrzField>();
            f->maxLaenge = QStringLiteral("200");
            f->zeichenAnzeige = true;
            field = std::move(f);
            break;
        }
        case 2: {
            auto f = std::make_unique<TDropDownField>();
            f->Felder = QStringLiteral("Bitte wählen#rot#grün#blau");
            f->Groesse = QStringLiteral("1");
            field = std::move(f);
            break;
        }
        default: {
            auto f = std::make_unique<TRadioField>();
            f->Felder = QStringLiteral("Frau#Herr");
            field = std::move(f);
        }
        }
        field->Name = name;
        field->Beschriftung = QStringLiteral("Beschriftung ") + name;
        field->Pflicht = true;
        p.ListField.push_back(std::move(field));
    }
    for (int i = 0; i < fields / 4; ++i) {
        auto a = std::make_unique<TArtikelField>();
        a->name = QStringLiteral("Artikel %1").arg(i);
        a->preis = 12.5 + i;
        a->mwst = 19;
        for (int j = 0; j < 3; ++j) {
            auto option = std::make_unique<TSelectOption>();
            option->beschriftung = QStringLiteral("Option %1").arg(j);
            option->defaultWert = QStringLiteral("a#b#c");
            a->listOptionen.push_back(std::move(option));
        }
        p.ListArtikel.push_back(std::move(a));
    }
    return p;
}

template <typename Generator> void BM_Generate(benchmark::State &state)
{
    const ProjectDocument project = makeProject(int(state.range(0)));
    qsizetype size = 0;
    for (auto _ : state) {
        Generator generator(project, QStringLiteral(VQ_PROGRAM_DIR), [] { return 1234567; });
        const QString page = generator.GenCode();
        size = page.size();
        benchmark::DoNotOptimize(page.constData());
    }
    state.counters["page_chars"] = double(size);
}

BENCHMARK_TEMPLATE(BM_Generate, TGenHTML)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Generate, TGenPHP)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // As zelkin does at its start.
    vq::keepLargeBlocksInHeap();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
