// Star bursts: sixteen copies of a small sprite flying out from a point and
// fading over 33 frames, in a fixed pool of sixteen systems.
#include <cmath>
#include <numbers>

#include "engine/game.h"

namespace game {

TParticleSystem ParticleSystems[ParticleSystemCount] = {};

namespace {

constexpr int ParticlesPerSystem = 16;
constexpr uint8_t StartAlpha = 255;
// Alpha lost per frame of age.
constexpr int FadePerFrame = 8;
// The age at which a burst ends (it is still drawn in that frame).
constexpr uint16_t LastAge = 32;
// Speeds are 1 + Random(4): 1 to 4 pixels per frame.
constexpr int16_t MinSpeed = 1;
constexpr uint32_t SpeedChoices = 4;

void StartParticles(TParticleSystem& system) {
  for (TParticle& particle : system.Particles) {
    particle.DX = 0;
    particle.DY = 0;
    particle.Alpha = StartAlpha;
    particle.Speed = static_cast<int16_t>(MinSpeed + Random(SpeedChoices));
  }
}

void MoveParticles(TParticleSystem& system) {
  for (int j = 0; j < ParticlesPerSystem; ++j) {
    TParticle& particle = system.Particles[j];
    const double angle = std::numbers::pi * 2 / 16 * j;
    const double radius = particle.Speed * system.Age;
    // Truncated towards zero: cos of a quarter turn is not exactly 0.
    particle.DX = static_cast<int16_t>(std::cos(angle) * radius);
    particle.DY = static_cast<int16_t>(std::sin(angle) * radius);
    particle.Alpha = static_cast<uint8_t>(StartAlpha - FadePerFrame * system.Age);
  }
}

TBurstObserver BurstObserver = nullptr;

}  // namespace

void SetBurstObserver(TBurstObserver observer) { BurstObserver = observer; }

void StartBurst(int16_t x, int16_t y, TParticleMode mode, uint16_t sprite) {
  if (BurstObserver != nullptr) BurstObserver(x, y);
  for (TParticleSystem& system : ParticleSystems) {
    if (system.Active) continue;
    system.Active = true;
    system.Mode = mode;
    system.Sprite = sprite;
    system.Age = 0;
    system.X = x;
    system.Y = y;
    return;  // the particles are set by the first update
  }
}

void UpdateParticleSystem(int number) {
  if (number < 1 || number > ParticleSystemCount) return;
  TParticleSystem& system = ParticleSystems[number - 1];
  if (system.Age == 0) {
    StartParticles(system);
  } else if (system.Age == LastAge) {
    system.Active = false;  // the particles keep their last values
  } else {
    MoveParticles(system);
  }
}

void UpdateParticles() {
  for (int number = 1; number <= ParticleSystemCount; ++number) {
    TParticleSystem& system = ParticleSystems[number - 1];
    if (!system.Active) continue;
    if (system.Mode == pmStarburst) UpdateParticleSystem(number);
    // Drawn even when this update ended the burst: once more, unchanged.
    for (const TParticle& particle : system.Particles) {
      DrawAlpha(static_cast<int16_t>(system.X + particle.DX), static_cast<int16_t>(system.Y + particle.DY),
                system.Sprite, particle.Alpha);
    }
    ++system.Age;
  }
}

void ResetParticles() {
  for (TParticleSystem& system : ParticleSystems) system = TParticleSystem{};
}

}  // namespace game
