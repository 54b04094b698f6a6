// The 3D engine arrives here.
