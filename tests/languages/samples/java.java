// A small Java class.
package demo;

import java.util.List;

/** Counts items. @param items the list */
public class Counter {
    private static final int LIMIT = 10;

    public int count(List<String> items) {
        char c = 'x';
        String s = "items";
        return items.size() + LIMIT; /* done */
    }
}
