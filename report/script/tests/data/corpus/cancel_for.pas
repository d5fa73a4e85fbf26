procedure Spin;
var i, j, n: Integer;
begin
  for i := 1 to 2000000000 do
  begin
    for j := 1 to 2000000000 do
      n := j;
  end;
end;
