#include "tests/support/recording_reporter.hpp"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <sstream>
#include <utility>

namespace zimbor::test {

namespace {

const char* PreviewName(Preview p) {
    switch (p) {
        case Preview::Mapped:
            return "Mapped";
        case Preview::Final:
            return "Final";
        case Preview::Sprite:
            return "Sprite";
        case Preview::Hires:
            return "Hires";
    }
    return "?";
}

std::string Hex(std::uint64_t v, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llx", digits, static_cast<unsigned long long>(v));
    return buffer;
}

// For two paints of the same preview that differ in content: where they first differ.
std::string PlaneDifference(const Plane& expected, const Plane& actual) {
    const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin());
    if (e == expected.end()) return {};
    const auto index = static_cast<int>(e - expected.begin());
    const auto count = std::inner_product(expected.begin(), expected.end(), actual.begin(), 0,
                                          std::plus<>(), std::not_equal_to<>());
    std::ostringstream out;
    out << "\n  the planes differ in " << count << " pixels; first at (" << index % kWidth << ", "
        << index / kWidth << "): expected 0x" << Hex(static_cast<std::uint32_t>(*e), 6)
        << ", got 0x" << Hex(static_cast<std::uint32_t>(*a), 6);
    return out.str();
}

}  // namespace

bool operator==(const ReportEvent& a, const ReportEvent& b) {
    if (a.kind != b.kind || a.text != b.text || a.position != b.position ||
        a.preview != b.preview) {
        return false;
    }
    if (a.plane == b.plane) return true;
    if (!a.plane || !b.plane) return false;
    return *a.plane == *b.plane;
}

std::uint64_t PlaneDigest(const Plane& plane) {
    std::uint64_t h = 0xcbf29ce484222325u;
    for (const std::int32_t v : plane) {
        auto u = static_cast<std::uint32_t>(v);
        for (int byte = 0; byte < 4; ++byte) {
            h ^= u & 0xFFu;
            h *= 0x100000001b3u;
            u >>= 8;
        }
    }
    return h;
}

std::string Describe(const ReportEvent& event) {
    switch (event.kind) {
        case EventKind::Status:
            return "Status(\"" + event.text + "\")";
        case EventKind::RepaintStatus:
            return "RepaintStatus()";
        case EventKind::Progress:
            return "Progress(" + std::to_string(event.position) + ")";
        case EventKind::ShowPlane:
            return std::string("ShowPlane(") + PreviewName(event.preview) + ", #" +
                   (event.plane ? Hex(PlaneDigest(*event.plane), 16) : std::string("none")) + ")";
        case EventKind::ClearPreviews:
            return "ClearPreviews()";
        case EventKind::PixelErrorText:
            return "PixelErrorText(\"" + event.text + "\")";
    }
    return "?";
}

std::string FirstDifference(const EventLog& expected, const EventLog& actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    std::size_t n = 0;
    while (n < common && expected[n] == actual[n]) ++n;
    if (n == common && expected.size() == actual.size()) return {};

    std::ostringstream out;
    out << "event logs part at event " << n << " (expected " << expected.size() << " events, got "
        << actual.size() << ")\n";
    // The stage in which it happens.
    for (std::size_t k = n; k-- > 0;) {
        if (expected[k].kind == EventKind::Status) {
            out << "  last status before it: " << Describe(expected[k]) << "\n";
            break;
        }
    }
    const std::size_t from = n >= 3 ? n - 3 : 0;
    for (std::size_t k = from; k < n; ++k)
        out << "  " << k << ": " << Describe(expected[k]) << "\n";
    out << "  expected: " << (n < expected.size() ? Describe(expected[n]) : "(end of log)") << "\n";
    out << "  got:      " << (n < actual.size() ? Describe(actual[n]) : "(end of log)");
    if (n < common && expected[n].kind == EventKind::ShowPlane &&
        actual[n].kind == EventKind::ShowPlane && expected[n].plane && actual[n].plane) {
        out << PlaneDifference(*expected[n].plane, *actual[n].plane);
    }
    return out.str();
}

namespace {

ReportEvent Event(EventKind kind) {
    ReportEvent e;
    e.kind = kind;
    return e;
}

}  // namespace

void RecordingReporter::SetStatus(std::string_view text) {
    ReportEvent e = Event(EventKind::Status);
    e.text = text;
    events_.push_back(std::move(e));
}

void RecordingReporter::RepaintStatus() {
    events_.push_back(Event(EventKind::RepaintStatus));
}

void RecordingReporter::SetProgress(int position) {
    ReportEvent e = Event(EventKind::Progress);
    e.position = position;
    events_.push_back(std::move(e));
}

void RecordingReporter::ShowPlane(Preview which, const Plane& plane) {
    ReportEvent e = Event(EventKind::ShowPlane);
    e.preview = which;
    e.plane = std::make_shared<const Plane>(plane);
    events_.push_back(std::move(e));
}

void RecordingReporter::ClearPreviews() {
    events_.push_back(Event(EventKind::ClearPreviews));
}

void RecordingReporter::SetPixelErrorText(std::string_view text) {
    ReportEvent e = Event(EventKind::PixelErrorText);
    e.text = text;
    events_.push_back(std::move(e));
}

}  // namespace zimbor::test
