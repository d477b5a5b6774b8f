# A small module.
import os


@decorator
class Counter(object):
    """Counts things."""

    def add(self, step=1):
        name = 'counter'
        text = f"{name}: {step}"
        print(len(text), 0x1F)
        return step + 2
