// The designer's main window on the large project (5,000 fields, 2,000
// articles): opening the project file and showing the window, and one undo
// and one redo of a deleted field and article. Targets: opening and showing
// under 1 s, an undo or a redo under 50 ms. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#include "bench/large_project.h"
#include "common_ui/questions.h"
#include "designer/ui/mainFrm.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct ProjectFile
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("gross.vqb"));
    ProjectFile()
    {
        QString error;
        largeProject().SaveProject(path, &error);
    }
};

const QString &projectPath()
{
    static ProjectFile file;
    return file.path;
}

std::unique_ptr<vq::ui::TfrmMain> newWindow()
{
    auto window =
        std::make_unique<vq::ui::TfrmMain>(nullptr, std::make_unique<vq::ui::UserQuestions>());
    window->setProgramFolder(QStringLiteral(VQ_PROGRAM_DIR));
    return window;
}

void BM_OpenProjectAndShowWindow(benchmark::State &state)
{
    const QString path = projectPath();
    for (auto _ : state) {
        auto window = newWindow();
        window->startUp(path);
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->hide();
        window.reset();
        state.ResumeTiming();
    }
}

// The deletion of the entry in the middle of the list, undone (or redone)
// with the window shown and the list tab in front.
template <typename Entry> void undoOrRedoDeletion(benchmark::State &state, bool redo)
{
    auto window = newWindow();
    window->startUp(projectPath());
    window->show();
    QApplication::processEvents();
    vq::DesignerDocument &document = window->document();
    QUndoStack &stack = document.undoStack();
    const int row = document.list<Entry>().rowCount() / 2;
    for (auto _ : state) {
        state.PauseTiming();
        document.removeEntry<Entry>(row);
        if (redo)
            stack.undo();
        QApplication::processEvents();
        state.ResumeTiming();
        redo ? stack.redo() : stack.undo();
        QApplication::processEvents();
        state.PauseTiming();
        if (redo)
            stack.undo();
        stack.clear();
        state.ResumeTiming();
    }
    window->hide();
}

void BM_UndoFieldDeletion(benchmark::State &state)
{
    undoOrRedoDeletion<vq::TFormField>(state, false);
}
void BM_RedoFieldDeletion(benchmark::State &state)
{
    undoOrRedoDeletion<vq::TFormField>(state, true);
}
void BM_UndoArticleDeletion(benchmark::State &state)
{
    undoOrRedoDeletion<vq::TArtikelField>(state, false);
}
void BM_RedoArticleDeletion(benchmark::State &state)
{
    undoOrRedoDeletion<vq::TArtikelField>(state, true);
}

} // namespace

BENCHMARK(BM_OpenProjectAndShowWindow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UndoFieldDeletion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoFieldDeletion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoArticleDeletion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoArticleDeletion)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
