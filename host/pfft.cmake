# Placeholder
