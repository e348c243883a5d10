// A Reporter that writes down every call it receives, so that two runs of the conversion can be
// compared call for call: the status texts, the repaints, every progress position, the planes
// painted (by content) and the label texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "colour/report.hpp"

namespace zimbor::test {

enum class EventKind {
    Status,          // SetStatus(text)
    RepaintStatus,   // RepaintStatus()
    Progress,        // SetProgress(position)
    ShowPlane,       // ShowPlane(preview, plane)
    ClearPreviews,   // ClearPreviews()
    PixelErrorText,  // SetPixelErrorText(text)
};

// One call. Only the fields of its kind are meaningful; the others keep their defaults, so that
// the defaulted comparison compares exactly what the call carried. A painted plane is kept as a
// copy (shared between copies of the event), so a difference can name the first pixel.
struct ReportEvent {
    EventKind kind = EventKind::Status;
    std::string text;
    int position = 0;
    Preview preview = Preview::Mapped;
    std::shared_ptr<const Plane> plane;

    friend bool operator==(const ReportEvent& a, const ReportEvent& b);
};

using EventLog = std::vector<ReportEvent>;

// A short readable form: Status("Mapping to closest c64 colors"), Progress(57),
// ShowPlane(Final, #3f2a...), ...
std::string Describe(const ReportEvent& event);

// 64-bit FNV-1a over the plane's values; used to name a plane in messages.
std::uint64_t PlaneDigest(const Plane& plane);

// The first place where two logs part, with the last status text before it and the events just
// before it, or an empty string when the logs are equal. For two paints of different planes it
// names the first differing pixel.
std::string FirstDifference(const EventLog& expected, const EventLog& actual);

class RecordingReporter final : public Reporter {
  public:
    void SetStatus(std::string_view text) override;
    void RepaintStatus() override;
    void SetProgress(int position) override;
    void ShowPlane(Preview which, const Plane& plane) override;
    void ClearPreviews() override;
    void SetPixelErrorText(std::string_view text) override;

    const EventLog& Events() const { return events_; }
    void Clear() { events_.clear(); }

  private:
    EventLog events_;
};

}  // namespace zimbor::test
