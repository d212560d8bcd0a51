// MAT120, the material driver of "STABILITY2": a steel section set whose
// member evaluates its sections at both nodal ends of every segment. It is
// the "STABILITY1" driver on the nodal-end form (shared reader, echo and
// state words), with the latched axial release of its own.
#pragma once

#include "materials/material_type.h"
#include "members/steel/stability1_material.h"

namespace members {

inline void mat120(materials::MatCall& c) { steel_set_driver(c, kStability2Form); }

inline constexpr materials::MaterialType kStability2Type{
    .code = 120, .keywords = {"STABILITY2"}, .driver = mat120, .section = true};

}  // namespace members
