#pragma once

// The two faces of the main window: the skinned, borderless Tavrin window and
// the plain titled window of the Koslin build. Both share every handler.
enum class Skin { Tavrin, Koslin };
