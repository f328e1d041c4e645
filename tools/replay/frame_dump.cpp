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
  JsonObject& Codes(const char* name, const std::string& text) {
    std::ostream& out = Name(name) << '[';
    for (size_t i = 0; i < text.size(); ++i)
      out << (i ? ", " : "") << static_cast<int>(static_cast<unsigned char>(text[i]));
    out << ']';
    return *this;
  }
  JsonObject& Numbers(const char* name, const std::vector<uint16_t>& values) {
    std::ostream& out = Name(name) << '[';
    for (size_t i = 0; i < values.size(); ++i) out << (i ? ", " : "") << values[i];
    out << ']';
    return *this;
  }
  JsonObject& Points(const char* name, const std::vector<std::pair<int16_t, int16_t>>& points) {
    std::ostream& out = Name(name) << '[';
    for (size_t i = 0; i < points.size(); ++i)
      out << (i ? ", " : "") << '[' << points[i].first << ", " << points[i].second << ']';
    out << ']';
    return *this;
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
