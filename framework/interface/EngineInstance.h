// The process-wide engine behind the exported functions: created on first
// use with the system's audio back-end, destroyed at process exit.
#pragma once

class ToolkitManager;

ToolkitManager& GetEngineInstance();
