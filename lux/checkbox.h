// (placeholder; filled in by its control's work)
