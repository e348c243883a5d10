#include "tests/oracle/harness.hpp"

#include <cstdio>
#include <sstream>
#include <vector>

#include "c64/displayer.hpp"
#include "tests/oracle/oracle.hpp"

namespace zimbor::test {

namespace {

std::string Hex(unsigned v, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, v);
    return buffer;
}

void ComparePlane(std::vector<std::string>& problems, const char* name,
                  const zimbor::Plane& production, const std::int32_t* expected) {
    int count = 0;
    int first = -1;
    for (int i = 0; i < oracle::PlaneSize; ++i) {
        if (production[static_cast<std::size_t>(i)] != expected[i]) {
            if (first < 0) first = i;
            ++count;
        }
    }
    if (count == 0) return;
    const auto slot = static_cast<std::size_t>(first);
    std::ostringstream out;
    out << name << ": " << count << " values differ; first at (" << first % 144 << ", "
        << first / 144 << "): oracle " << expected[first] << " (0x"
        << Hex(static_cast<unsigned>(expected[first]), 6) << "), production " << production[slot]
        << " (0x" << Hex(static_cast<unsigned>(production[slot]), 6) << ")";
    problems.push_back(out.str());
}

void CompareBytes(std::vector<std::string>& problems, const char* name,
                  const std::uint8_t* production, const std::uint8_t* expected, int size,
                  int firstAddress) {
    int count = 0;
    int first = -1;
    for (int a = 0; a < size; ++a) {
        if (production[a] != expected[a]) {
            if (first < 0) first = a;
            ++count;
        }
    }
    if (count == 0) return;
    std::ostringstream out;
    out << name << ": " << count << " bytes differ; first at $"
        << Hex(static_cast<unsigned>(firstAddress + first), 4) << ": oracle $"
        << Hex(expected[first], 2) << ", production $" << Hex(production[first], 2);
    problems.push_back(out.str());
}

}  // namespace

void LoadControls(const Settings& s) {
    oracle::Form1.TrackBar1 = s.tone.red;
    oracle::Form1.TrackBar2 = s.tone.green;
    oracle::Form1.TrackBar3 = s.tone.blue;
    oracle::Form1.TrackBar4 = s.tone.brightness;
    oracle::Form1.TrackBar5 = s.tone.contrast;
    oracle::Form1.RadioButton1 = s.dither == DitherMode::Custom;
    oracle::Form1.RadioButton2 = s.dither == DitherMode::Forced;
    oracle::Form1.RadioButton3 = s.dither == DitherMode::Selective;
    oracle::Form1.RadioButton4 = s.dither == DitherMode::None;
    oracle::Form1.CheckBox2 = s.yuvDistance;
    oracle::Form1.CheckBox3 = s.previewOnly;
    oracle::Form1.CheckBox4 = s.skipYuvReduction;
    oracle::Form1.ComboBox1ItemIndex = s.background;
}

EventLog RunOracleProcess(const CanvasImage& picture, const Settings& s) {
    LoadControls(s);
    for (std::size_t i = 0; i < picture.size(); ++i) oracle::WorkingImage[i] = picture[i];
    RecordingReporter recorder;
    oracle::Screen = &recorder;
    oracle::Button1Click();
    static zimbor::NullReporter nobody;
    oracle::Screen = &nobody;
    return recorder.Events();
}

EventLog RunOracleConversion(Distance mode, int background) {
    oracle::Form1.CheckBox2 = mode == Distance::Yuv;
    oracle::Form1.ComboBox1ItemIndex = background;
    RecordingReporter recorder;
    oracle::Screen = &recorder;
    oracle::ConvertToHiresFli();
    static NullReporter nobody;
    oracle::Screen = &nobody;
    return recorder.Events();
}

std::string StateDifferences(const zimbor::ConversionState& state) {
    std::vector<std::string> problems;
    const zimbor::ColourPlanes& p = state.planes;
    ComparePlane(problems, "RedPlane", p.RedPlane, oracle::RedPlane);
    ComparePlane(problems, "GreenPlane", p.GreenPlane, oracle::GreenPlane);
    ComparePlane(problems, "BluePlane", p.BluePlane, oracle::BluePlane);
    ComparePlane(problems, "MappedImage", p.MappedImage, oracle::MappedImage);
    ComparePlane(problems, "MappedY", p.MappedY, oracle::MappedY);
    ComparePlane(problems, "MappedU", p.MappedU, oracle::MappedU);
    ComparePlane(problems, "MappedV", p.MappedV, oracle::MappedV);
    ComparePlane(problems, "FinalImage", p.FinalImage, oracle::FinalImage);
    ComparePlane(problems, "SpriteLayer", p.SpriteLayer, oracle::SpriteLayer);
    ComparePlane(problems, "HiresLayer", p.HiresLayer, oracle::HiresLayer);
    CompareBytes(problems, "C64Memory", state.memory.data(), oracle::C64Memory, oracle::MemorySize,
                 0);
    CompareBytes(problems, "RawBuffer", state.rawBuffer.data(), oracle::RawBuffer, oracle::BankSize,
                 0x4000);
    const auto& t = state.displayerTemplate;
    if (t[zimbor::kOverlayColourByte] != oracle::DisplayerTemplateByte25) {
        problems.push_back("template byte 25: oracle " +
                           std::to_string(oracle::DisplayerTemplateByte25) + ", production " +
                           std::to_string(t[zimbor::kOverlayColourByte]));
    }
    if (t[zimbor::kBackgroundColourByte] != oracle::DisplayerTemplateByte26) {
        problems.push_back("template byte 26: oracle " +
                           std::to_string(oracle::DisplayerTemplateByte26) + ", production " +
                           std::to_string(t[zimbor::kBackgroundColourByte]));
    }
    // No other template byte ever changes.
    static const zimbor::DisplayerTemplate pristine = zimbor::MakeDisplayerTemplate();
    for (std::size_t n = 0; n < t.size(); ++n) {
        if (n != zimbor::kOverlayColourByte && n != zimbor::kBackgroundColourByte &&
            t[n] != pristine[n]) {
            problems.push_back("template byte " + std::to_string(n) + " changed");
            break;
        }
    }
    if (state.conversionDone != (oracle::ConversionDone != 0)) {
        problems.push_back("done flag: oracle " + std::to_string(oracle::ConversionDone) +
                           ", production " + std::to_string(state.conversionDone));
    }
    std::string all;
    for (const std::string& s : problems) all += s + "\n";
    return all;
}

}  // namespace zimbor::test
