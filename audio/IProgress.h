#pragma once

#include <QString>

// The stages a long operation reports while it runs (open, save, mix, ring
// building). Workers call these from their own thread; implementations keep
// them thread-safe and show the state on the GUI thread.
class IProgress
{
public:
    virtual ~IProgress() = default;
    virtual void StageAnalyse() = 0; // "正在分析文件...", 20 %
    virtual void StageConvert() = 0; // "正在转换音乐格式...", 30 %
    virtual void StageLoad() = 0;    // "正在加载转换后的数据...", 90 %
    virtual void StageSave() = 0;    // "正在保存音频数据...", 90 %
    virtual void StageMix() = 0;     // "正在进行音频合成...", 30 %
    // Moves on by n percent, never past 90.
    virtual void Advance(int n) = 0;
    // 100 %: the window hides.
    virtual void StageDone() = 0;

    // What Kelvo's staged windows need besides the stages. Nothing by default.
    virtual void SetText(const QString& /*text*/) {}
    virtual void SetPercent(int /*percent*/) {}
    // The highest percent the window climbs to by itself.
    virtual void SetCeiling(int /*ceiling*/) {}
    // GUI thread: shows the window afresh.
    virtual void Show() {}
};
