// A stand-in library that lacks ReadBallotMarks, for the binding's missing-entry-point error.
extern "C" __attribute__((visibility("default"))) void ClearImageBuffer() {}
