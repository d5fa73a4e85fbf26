procedure P;
var i: Integer;
begin
  case i of
    1: i := 2
  end;
end;
