#pragma once

// The ranges the game server accepts for the numbers Voranth sets, for every control and
// command that takes one. The game resets a negative frag or capture limit to 0 and a time
// limit whose milliseconds overflow an int; the engine has at most 64 clients.
namespace GameLimits {

constexpr int maxLimit = 999999;
constexpr int maxTimeLimitMinutes = 2147483647 / 60000;
constexpr int maxClients = 64;
constexpr int maxPort = 65535;
constexpr int minBotSkill = 1;
constexpr int maxBotSkill = 5;
// The skill the game gives a bot added without one.
constexpr int defaultBotSkill = 4;
// Seconds, milliseconds and the knockback: no bound in the game beyond being positive.
constexpr int maxAmount = 99999;
constexpr int maxHunkMegs = 4096;
constexpr int maxRate = 1000000;
constexpr double maxQuadFactor = 1000.0;

} // namespace GameLimits
