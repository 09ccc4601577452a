// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ProgressTick.h"

#include <cfenv>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

long long ProgressTick::seconds(int jmz) {
    // std::nearbyint follows the current rounding mode, which is to-nearest-even unless changed.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long long s = static_cast<long long>(std::nearbyint(jmz / 100.0));
    std::fesetround(saved);
    return s;
}

ProgressTick ProgressTick::advance(RunState &state) {
    ProgressTick tick;
    const long long s = seconds(state.jmz);
    const QString prefix = u"正在出题中，点■停止("_s + QString::number(s);
    if (state.imz > 100) {
        tick.label = prefix + u"秒)......"_s;
        state.imz = 0;
    } else if (state.imz > 80) {
        tick.label = prefix + u"秒)....."_s;
    } else if (state.imz > 60) {
        tick.label = prefix + u"秒)...."_s;
    } else if (state.imz > 40) {
        tick.label = prefix + u"秒)..."_s;
    } else if (state.imz > 20) {
        tick.label = prefix + u"秒).."_s;
    } else if (state.imz > 10) {
        tick.label = prefix + u"秒)."_s;
    }
    if (state.jmz != 0 && state.jmz % 6000 == 0)
        tick.notice = u"已经运行了"_s + QString::number(s) + u"秒，有可能题目不好找建议终止本次出题！"_s;
    ++state.jmz;
    ++state.imz;
    return tick;
}
