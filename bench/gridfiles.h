#pragma once
// The inputs of the comparison with gnuplot (gnuplot_compare.sh): the
// benchmark program run with kWriteGridFiles writes the 1024 x 1024
// photograph of BM_OutputProcess for both programs and exits.

inline constexpr char kWriteGridFiles[] = "--write-grid-files";

// Writes count copies of the photograph to folder, each as a bitmap,
// photoNN.bmp, and as its heights, photoNN.f32: the heights the program draws
// ((R + G + B) / (3 x 255)), as native 32-bit floats, a row of 1024 after
// another from the bottom row up, the way gnuplot reads
// `binary array=(1024,1024) format='%float'`. NN counts from 01. Returns the
// exit status: 0, or 1 after a message when a file cannot be written.
int WriteGridFiles(const char* folder, int count);
