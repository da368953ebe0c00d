// Holding every page of an issue to its cast: each name a page shows is one
// the cast knows, in the group the cast gives it; each chart counts only its
// own platform and kind, and charts of a section do not copy each other.
#pragma once
#include "tools/contentgen/content_source.h"

// At most this many places of ten may two charts of one section give to the
// same group, and at most this many charts may share one trend sequence.
inline constexpr int MaxSharedPlaces = 4;
inline constexpr int MaxChartsPerTrendSequence = 2;

void CheckAgainstCast(ContentText& text);
