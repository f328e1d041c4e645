#include "tools/replay/frame_dump.h"

#include <sstream>
#include <utility>

#include "engine/game.h"
#include "main/game_vars.h"

namespace replay {

namespace {

// Builds "{"a": 1, "b": true}" one field at a time.
class JsonObject {
 public:
  JsonObject& Field(const char* name, int64_t value) {
    Name(name) << value;
    return *this;
  }
  JsonObject& Flag(const char* name, bool value) {
    Name(name) << (value ? "true" : "false");
    return *this;
  }
  // A list, each element written by `write(out, element)`.
  template <class Range, class Write>
  JsonObject& List(const char* name, const Range& elements, Write write) {
    std::ostream& out = Name(name) << '[';
    bool first = true;
    for (const auto& element : elements) {
      out << (first ? "" : ", ");
      write(out, element);
      first = false;
    }
    out << ']';
    return *this;
  }
  JsonObject& Codes(const char* name, const std::string& text) {
    return List(name, text, [](std::ostream& out, char c) { out << static_cast<int>(static_cast<unsigned char>(c)); });
  }
  JsonObject& Numbers(const char* name, const std::vector<uint16_t>& values) {
    return List(name, values, [](std::ostream& out, uint16_t value) { out << value; });
  }
  JsonObject& Points(const char* name, const std::vector<std::pair<int16_t, int16_t>>& points) {
    return List(name, points, [](std::ostream& out, const std::pair<int16_t, int16_t>& point) {
      out << '[' << point.first << ", " << point.second << ']';
    });
  }
  std::string Text() const { return out_.str() + "}"; }

 private:
  std::ostream& Name(const char* name) {
    out_ << (first_ ? "{" : ", ") << '"' << name << "\": ";
    first_ = false;
    return out_;
  }
  std::ostringstream out_;
  bool first_ = true;
};

TFrameEvents Events;

void RecordSound(uint16_t id) { Events.sounds.push_back(id); }
void RecordBurst(int16_t x, int16_t y) { Events.bursts.emplace_back(x, y); }

}  // namespace

void StartEventLog() {
  Events = TFrameEvents{};
  game::SetSoundObserver(&RecordSound);
  game::SetBurstObserver(&RecordBurst);
}

TFrameEvents TakeEvents() { return std::exchange(Events, TFrameEvents{}); }

void StopEventLog() {
  game::SetSoundObserver(nullptr);
  game::SetBurstObserver(nullptr);
}

std::string DumpLine(uint32_t frame, const TFrameEvents& events) {
  using namespace shell;
  JsonObject line;
  line.Field("frame", frame)
      .Field("GameState", GameState)
      .Field("Level", Level)
      .Field("ViewX", ViewX)
      .Field("ViewY", ViewY)
      .Field("ScrollX", ScrollX)
      .Field("ScrollY", ScrollY)
      .Field("Direction", Direction)
      .Flag("Moving", Moving)
      .Flag("Firing", Firing)
      .Flag("ShotPending", ShotPending)
      .Field("FireFlash", FireFlash)
      .Flag("FireLatch", FireLatch)
      .Field("HitCounter", HitCounter)
      .Field("WalkFrame", WalkFrame)
      .Field("WalkTick", WalkTick)
      .Field("Skill", Skill)
      .Field("Score", Score)
      .Field("Ammo", Ammo)
      .Field("Health", Health)
      .Codes("Inventory", Inventory)
      .Field("Lives", Lives)
      .Field("StateTimer", StateTimer)
      .Field("CountdownStep", CountdownStep)
      .Field("BlinkStep", BlinkStep)
      .Flag("BlockedLeft", BlockedLeft)
      .Flag("BlockedRight", BlockedRight)
      .Flag("BlockedUp", BlockedUp)
      .Flag("BlockedDown", BlockedDown)
      .Field("Brightness", game::GetBrightness())
      .Numbers("sounds", events.sounds)
      .Points("bursts", events.bursts);
  return line.Text();
}

}  // namespace replay
