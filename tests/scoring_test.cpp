#include "tests/game_fixture.h"
