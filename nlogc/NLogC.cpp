// Placeholder until the spdlog back end lands.
