#pragma once

// Nodes and a scan method whose steps the worker tests script.

#include "engine/tree/ScanResultNode.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace vantrel::testing {

// A method over a range of `length` positions that advances one position per step.
class SteppingMethod : public ScanMethod {
public:
    explicit SteppingMethod(std::uint64_t length) : length_(length) {}

    StepResult SearchStep() override {
        ++searchSteps;
        if (onSearch)
            onSearch(*this);
        return searchResult;
    }
    StepResult DetectStep() override {
        ++detectSteps;
        if (onDetect)
            onDetect(*this);
        if (detectFailsAt != 0 && position_ + 1 == detectFailsAt)
            return kStepFailed;
        return ++position_ >= length_ ? length_ : position_;
    }
    void DetectStopped() override { ++detectStops; }

    std::atomic<int> searchSteps{0};
    std::atomic<int> detectSteps{0};
    std::atomic<int> detectStops{0};
    StepResult searchResult = kStepComplete;
    std::uint64_t detectFailsAt = 0; // 1-based step that fails; 0 = none
    std::function<void(SteppingMethod&)> onSearch;
    std::function<void(SteppingMethod&)> onDetect;

private:
    std::uint64_t length_;
    std::uint64_t position_ = 0;
};

// A "スキャン結果" node of any range length, 0 included, which SetUp would refuse.
class ScriptedScanNode : public ScanResultNode {
public:
    explicit ScriptedScanNode(std::uint64_t length) : length_(length) { SetName(u"スキャン結果"); }
    std::uint64_t RangeLength() const override { return length_; }

private:
    std::uint64_t length_;
};

// A folder whose analysis takes `steps` steps, or fails when told to.
class ScriptedFolder : public ResultNode {
public:
    explicit ScriptedFolder(std::u16string name, int steps = 1, bool fails = false)
        : steps_(steps), fails_(fails) {
        SetName(std::move(name));
    }
    StepResult AnalyseStep() override {
        ++stepsTaken;
        if (fails_) {
            SetAnalysed(true);
            return kStepFailed;
        }
        if (stepsTaken >= steps_) {
            SetAnalysed(true);
            return kStepComplete;
        }
        return static_cast<StepResult>(stepsTaken);
    }
    int stepsTaken = 0;

private:
    int steps_;
    bool fails_;
};

} // namespace vantrel::testing
