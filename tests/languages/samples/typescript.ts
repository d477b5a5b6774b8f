// A small module.
interface Item { name: string; price: number; }

/** Totals items. @param items the list */
export function total(items: Array<Item>): number {
    const pattern = /\d+/g;
    let sum: number = 0;
    for (const item of items) { sum += item.price; }
    return sum + 0x10; /* done */
}
const label = 'x';
