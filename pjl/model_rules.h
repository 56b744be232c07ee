// Model-dependent values of the media lines, chosen by tokens in the
// printer's model name.
#pragma once

#include <cups/ppd.h>

// Holds the result of a model rule; empty when the rule could not run.
constexpr int kModelValueSize = 16;

// Source name of the bypass tray ("SMH" or "TRAY5") for a model name.
const char *BypassSourceForModel(const char *modelName);

// Media type name that "ThickPaper2" stands for ("SUPERTHICK" or "THICK2").
const char *ThickPaper2ForModel(const char *modelName);

// The value of the PPD's first attribute whose name begins with
// "ModelName", or nullptr when it has none.
const char *PPDModelName(ppd_file_t *ppd);

// Clears value, then fills it by rule from the model name of the PPD named
// by $PPD; value stays empty when the PPD or its model name is missing.
void RunModelRule(const char *(*rule)(const char *), char (&value)[kModelValueSize]);
