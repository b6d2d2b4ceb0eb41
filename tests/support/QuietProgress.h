#pragma once

#include "audio/IProgress.h"

// A progress sink that ignores every stage; tests override what they record.
struct QuietProgress : IProgress
{
    void StageAnalyse() override {}
    void StageConvert() override {}
    void StageLoad() override {}
    void StageSave() override {}
    void StageMix() override {}
    void Advance(int) override {}
    void StageDone() override {}
};
