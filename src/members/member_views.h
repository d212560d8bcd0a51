// Views of the words of a member record that every section family lays out
// the same way: 1-based columns, per-segment tables with the segment index
// fastest, square matrices column by column. The skeleton of the segmented
// member and the section families work through these.
#pragma once

#include <cstdint>

namespace members {

// The member rules' fixed work tables hold this many segments.
inline constexpr int kMaxSegments = 32;

// A 1-based vector view.
struct Col {
  float* p = nullptr;
  float& operator()(int k) const { return p[k - 1]; }
};

// A per-segment table of N rows, segment index fastest.
struct SegTable {
  float* p = nullptr;
  int nseg = 0;
  float& operator()(int i, int j) const {
    return p[static_cast<std::int64_t>(j - 1) * nseg + (i - 1)];
  }
};

// A square matrix of order n stored column by column.
struct Square {
  float* p = nullptr;
  int n = 0;
  float& operator()(int r, int c) const {
    return p[static_cast<std::int64_t>(c - 1) * n + (r - 1)];
  }
};

// The segment stiffness matrices: entry (r, c) of segment s.
struct SegMatrices {
  float* p = nullptr;
  int nseg = 0;
  float& operator()(int s, int r, int c) const {
    return p[(static_cast<std::int64_t>(c - 1) * 12 + (r - 1)) * nseg + (s - 1)];
  }
};

// The segment end coordinates: coordinate c (x, y, z) of end e (1 A, 2 B) of
// segment i.
struct EndCoords {
  float* p = nullptr;
  int nseg = 0;
  float& operator()(int i, int c, int e) const {
    return p[static_cast<std::int64_t>((c - 1) * 2 + e - 1) * nseg + (i - 1)];
  }
};

}  // namespace members
