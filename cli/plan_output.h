// The installation plan and the model table as JSON and as readable text.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "install/plan.h"

namespace tq::cli {

nlohmann::json PlanToJson(const InstallPlan& plan);
std::string PlanToText(const InstallPlan& plan);

nlohmann::json ModelsToJson();
std::string ModelsToText();

}  // namespace tq::cli
