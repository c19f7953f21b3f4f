#include "skinning/SkinnedControl.h"

// PLACEHOLDER until the skinned drawing lands.
