function F: Integer;
var i, n: Integer;
begin
  n := 0;
  for i := 3 downto 1 do
    n := n * 10 + i;
  Result := n * 10 + i;
end;
