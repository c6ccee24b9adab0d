// SaveProject and LoadProject of a large project (5,000 fields, 2,000 articles
// with 3 options each), beside the time QDomDocument alone needs to parse and
// to write the same file. Target: each within 2x of the bare XML time.
#include "bench/large_project.h"
#include "common/safe_file.h"
#include "designer/model/project_document.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

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
