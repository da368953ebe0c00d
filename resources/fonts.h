// The two bitmap fonts: 256 display lists each, one per Windows-1252 code.
#pragma once
#include <cstdint>

extern uint32_t TahomaListBase;
extern uint32_t CourierListBase;

void CreateTahomaFont();
void CreateCourierFont();
void DeleteTahomaFont();
void DeleteCourierFont();

// Baseline origin at (x, 768 - y) in the current projection; null draws nothing.
void PrintTahoma(float x, float y, const char* text);
void PrintCourier(float x, float y, const char* text);
