// Cost of one keystroke in the MTU box: the text changes, the RWIN proposal is
// computed and written, the RWIN box's own change handler compares, and the
// formula caption is set. Runs on the offscreen platform, without painting.
#include "classic_look.h"
#include "main_window.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

void mtuKeystroke(benchmark::State &state)
{
    lumox::frmMain window;
    auto *mtu = window.findChild<QLineEdit *>(QStringLiteral("txtMTU"));
    const QString texts[] = {QStringLiteral("1500"), QStringLiteral("1501")};
    int i = 0;
    for (auto _ : state) {
        mtu->setText(texts[i]);
        i ^= 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(mtuKeystroke);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lumox::applyClassicLook(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
