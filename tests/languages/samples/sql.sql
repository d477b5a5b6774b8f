-- A small schema.
/* block comment */
CREATE TABLE items (
    id INTEGER PRIMARY KEY,
    name VARCHAR(40) NOT NULL,
    price DECIMAL(10, 2)
);
SELECT name, COUNT(*) FROM items WHERE price > 10.5 AND name <> 'x' GROUP BY name;
GO
CREATE PROCEDURE cleanup
AS
    DELETE FROM items WHERE price IS NULL;
GO
FUNCTION total_price(p_id IN NUMBER) RETURN NUMBER IS
BEGIN
    RETURN p_id * 2;
END;
