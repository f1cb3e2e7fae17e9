#pragma once
// The simulated board's decoder read into the core's words, for the board and
// for tests that drive a simulated port of their own. Includes the port layer:
// the core's sources and the test suite may use it, front ends cannot.

#include "core/Board.h"
#include "port/SimulatedBoard.h"

BoardState StateOf(const BoardDecoder& decoder);

// The simulated board behind `board` (its registers, log and faults), for
// tests; nullptr on real ports.
SimulatedBoard* SimulatedBoardOf(Board& board);
