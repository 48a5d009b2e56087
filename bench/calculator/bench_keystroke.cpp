// Cost of one keystroke in the MTU box: the text changes, the RWIN proposal is
// computed and written, the RWIN box's own change handler compares, and the
// formula caption is set. Runs on the offscreen platform, without painting.
#include "main_window.h"

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
