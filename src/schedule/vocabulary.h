#pragma once

namespace quel {

// Words the tick and the features share: what a power-off entry asks for and whose voice tells the time.
enum class PowerAction { Shutdown, Restart, Logoff };
enum class Voice { Male, Female };

}  // namespace quel
